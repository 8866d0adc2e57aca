# shellcheck shell=bash
# Sourced by every script that installs what it needs from Debian, so that
# "install what is missing" is written once.

# install_missing PACKAGE...: installs those of the packages that are not
# installed yet, in one apt-get call, as root or through sudo. It talks on
# standard error, apt-get too, so that a script's own output stays clean.
# Another apt-get or dpkg at work (another build, an upgrade) is waited for,
# not failed on.
install_missing() {
    local -A have=()
    local missing=() package status
    # One question to dpkg for all of them: the check is made on every test run.
    while read -r package status; do
        if [[ $status == 'install ok installed' ]]; then
            have[$package]=1
        fi
    done < <(dpkg-query -W -f='${Package} ${Status}\n' "$@" 2>/dev/null)
    for package; do
        [[ -n ${have[$package]:-} ]] || missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600)
    echo "Installing: ${missing[*]}" >&2
    "${apt[@]}" update >&2 && "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >&2
}
