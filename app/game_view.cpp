#include "app/game_view.h"

#include "brennow_version.h"

namespace app {

namespace {

// Appends the pieces in turn to one string. Chains of "text" + temporary made
// GCC 12 at -O3 warn of an overlapping copy that cannot happen (-Wrestrict).
template <class... Pieces>
void Append(std::string& out, const Pieces&... pieces)
{
    (out.append(pieces), ...);
}

}  // namespace

std::string DescribeState(frmBomber& form)
{
    using platform::replay::FloatText;
    using platform::replay::Quoted;
    std::string out;
    if (form.IsLoaded()) {
        for (int i = 0; i < 5; ++i) {
            const platform::Image& obstacle = form.Image1(i);
            Append(out, "[", FloatText(obstacle.Left), ",", FloatText(obstacle.Top), " ",
                   std::to_string(form.SpeedX(i).Value()), ",", std::to_string(form.SpeedY(i).Value()), "] ");
        }
    } else {
        out += "unloaded ";
    }
    Append(out, "| score ", std::to_string(form.Score.Value()));
    if (form.IsLoaded()) {
        Append(out, " ", Quoted(form.lblScore().Caption));
    }
    Append(out, " | figure ", FloatText(form.PlayerX), ",", FloatText(form.PlayerY), " dir ",
           std::to_string(form.PlayerDir.Value()), " frame ", std::to_string(form.AnimFrame.Value()));
    if (form.IsLoaded()) {
        const auto onOff = [](bool on) { return on ? "on" : "off"; };
        Append(out, " | Timer1 ", onOff(form.Timer1().Enabled), ", Scoring ", onOff(form.Scoring().Enabled),
               ", prompt ", form.Label1().Visible ? "shown" : "hidden");
    }
    return out;
}

platform::replay::GameView ViewOf(platform::Runtime& runtime)
{
    const auto form = [&runtime]() -> frmBomber& { return static_cast<frmBomber&>(runtime.StartupForm()); };
    return {
        [form] { return DescribeState(form()); },
        [form] { return static_cast<int>(form().Score.Value()); },
    };
}

std::string MadeBy()
{
    return "Brennow " BRENNOW_VERSION;
}

}  // namespace app
