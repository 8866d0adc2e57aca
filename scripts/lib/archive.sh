# shellcheck shell=bash
# Sourced by scripts/deps: what it asks of Debian's archive.

# source_version NAME PINNED BINARY: prints the version of source package
# NAME to build. PINNED while the archive has it; once a point release has
# replaced it, the version BINARY (what the Linux build links) was built
# from, as installed here, so that the ports draw what the Linux build
# draws. Never a version only bookworm-security has: its sources are often
# missing. Says so on standard error when it takes another than PINNED.
source_version() {
    local name=$1 pinned=$2 binary=$3 available installed
    available=$(apt-cache madison "$name" 2>/dev/null |
        awk -F' *[|] *' '$3 ~ / Sources$/ && $3 !~ /-security[/ ]/ { print $2 }')
    if grep -qxF -- "$pinned" <<<"$available"; then
        echo "$pinned"
        return
    fi
    installed=$(dpkg-query -W -f='${source:Version}' "$binary" 2>/dev/null || true)
    if [[ -n $installed ]] && grep -qxF -- "$installed" <<<"$available"; then
        echo "deps: $name $pinned is no longer in Debian's archive; building $installed, the source of the installed $binary" >&2
        echo "$installed"
        return
    fi
    echo "deps: neither $name $pinned nor the installed $binary's source (${installed:-none}) is in Debian's archive" \
        "outside bookworm-security; upgrade $binary (apt-get update && apt-get upgrade)" >&2
    return 1
}

# deb_signed_by URI SUITE: the Signed-By of the deb entry for URI and SUITE
# (nothing if it sets none), which a deb-src entry for them must repeat; if
# there is no such entry, Debian's keyring.
deb_signed_by() {
    local entry file n
    # shellcheck disable=SC2016  # apt's own placeholder
    entry=$(apt-get indextargets --format '$(SOURCESENTRY)' "Site: $1" "Release: $2" 'Target-Of: deb' 2>/dev/null |
        head -n 1)
    if [[ $entry != ?*:[0-9]* ]]; then
        echo /usr/share/keyrings/debian-archive-keyring.gpg
        return
    fi
    file=${entry%:*} n=${entry##*:}
    if [[ $file == *.sources ]]; then
        # The field of stanza N, with its continuation lines (a key given inline).
        awk -v n="$n" 'BEGIN { RS = "" } NR == n' "$file" |
            awk 'tolower($0) ~ /^signed-by:/ { sub(/^[^:]*: */, ""); print; on = 1; next }
                 on && /^[ \t]/ { print; next } { on = 0 }'
    else
        sed -n "${n}p" "$file" | grep -o 'signed-by=[^] ]*' | cut -d= -f2 || true
    fi
}
