#include "game/frmBomber.h"

#include <string>

#include "game/modBitBlt.h"

using platform::CInt;
using platform::Integer;
using platform::CLng;
using platform::CSng;
using platform::Int;
using platform::Str;

namespace {

// The highest score a round can reach: the largest multiple of 10 a 16-bit
// integer holds. The score stops there instead of overflowing.
const Integer kHighestScore = 32760;

}  // namespace

void frmBomber::Form_Click()
{
    Timer1().Enabled = true;
    Scoring().Enabled = true;
    Label1().Visible = false;
}

void frmBomber::Form_KeyDown(const Integer& KeyCode, const Integer& /*Shift*/)
{
    if (KeyCode == 40) {
        PlayerY = PlayerY + 4;
        PlayerDir = 0;
    } else if (KeyCode == 38) {
        PlayerY = PlayerY - 4;
        PlayerDir = 1;
    } else if (KeyCode == 37) {
        PlayerX = PlayerX - 4;
        PlayerDir = 2;
    } else if (KeyCode == 39) {
        PlayerX = PlayerX + 4;
        PlayerDir = 3;
    }

    // Redraw the figure through its mask: (background AND mask) XOR colour.
    Cls();
    BitBlt(hDC(), CLng(PlayerX), CLng(PlayerY), 20, 28, picMask().hDC(), (PlayerDir * 20).Value(),
           (AnimFrame * 28).Value(), SRCAND);
    BitBlt(hDC(), CLng(PlayerX), CLng(PlayerY), 20, 28, picSprite().hDC(), (PlayerDir * 20).Value(),
           (AnimFrame * 28).Value(), SRCINVERT);
    if (AnimFrame == 2) {
        AnimFrame = 0;
    } else {
        AnimFrame = AnimFrame + 1;
    }
}

void frmBomber::Form_Load()
{
    App().Randomize();
    PlayerY = Double{ScaleHeight()} / 2;
    PlayerX = Double{ScaleWidth()} / 2;
    for (Integer i = 0; i <= 4; i = i + 1) {
        SpeedX(i) = CInt(Int(Double{App().Rnd()} * 5 + 1));
        SpeedY(i) = CInt(Int(Double{App().Rnd()} * 7 + 3));
    }
}

void frmBomber::Form_MouseMove(const Integer& /*Button*/, const Integer& /*Shift*/, const Single& X, const Single& Y)
{
    // Each test sees the step the one before it took.
    if (CSng(PlayerX + 10) > X) {
        Form_KeyDown(37, 0);
    }
    if (CSng(PlayerX + 10) < X) {
        Form_KeyDown(39, 0);
    }
    if (CSng(PlayerY + 14) > Y) {
        Form_KeyDown(38, 0);
    }
    if (CSng(PlayerY + 14) < Y) {
        Form_KeyDown(40, 0);
    }
}

void frmBomber::Label1_Click()
{
    Timer1().Enabled = true;
    Scoring().Enabled = true;
    Label1().Visible = false;
}

void frmBomber::Scoring_Timer()
{
    if (Score < kHighestScore) {
        Score = Score + 10;
    }
    lblScore().Caption = Str(Score);
}

void frmBomber::Timer1_Timer()
{
    for (Integer i = 0; i <= 4; i = i + 1) {
        Image1(i).Left = CSng(Double{Image1(i).Left} + Double(SpeedX(i)));
        Image1(i).Top = CSng(Double{Image1(i).Top} + Double(SpeedY(i)));

        // Bounce off the edges: the speed becomes its complement, -s - 1.
        if (CSng(Double{Image1(i).Left} + Double{Image1(i).Width}) > ScaleWidth()) {
            SpeedX(i) = Not(SpeedX(i));
            Image1(i).Left = CSng(Double{ScaleWidth()} - Double{Image1(i).Width} - 1);
        }
        if (CSng(Double{Image1(i).Top} + Double{Image1(i).Height}) > ScaleHeight()) {
            SpeedY(i) = Not(SpeedY(i));
            Image1(i).Top = CSng(Double{ScaleHeight()} - Double{Image1(i).Height} - 1);
        }
        if (Image1(i).Left < 0) {
            SpeedX(i) = Not(SpeedX(i));
            Image1(i).Left = 1;
        }
        if (Image1(i).Top < 0) {
            SpeedY(i) = Not(SpeedY(i));
            Image1(i).Top = 1;
        }

        // All four comparisons are made every time. From above, the obstacle's
        // height stands on both sides of the last one.
        const bool touchesLeft = CSng(PlayerX + 20) >= Image1(i).Left;
        const bool touchesRight = CSng(Double{Image1(i).Left} + Double{Image1(i).Width}) >= CSng(PlayerX);
        const bool touchesTop = CSng(PlayerY + 28) >= Image1(i).Top;
        const bool touchesBottom =
            CSng(Double{Image1(i).Top} + Double{Image1(i).Height}) >= CSng((28 - Double{Image1(i).Height}) + PlayerY);
        if (touchesLeft && touchesRight && touchesTop && touchesBottom) {
            GameOver();  // returns on the reloaded form; the loop goes on there
        }
    }
}

void frmBomber::GameOver()
{
    Scoring().Enabled = false;
    App().MsgBox("Oh NO!~ You lost! But you got " + Str(Score));
    Score = 0;
    Unload(*this);
    DefaultInstance().Show();
}

void frmBomber::OnControlClick(const platform::ControlId& control)
{
    if (control.Name == "Label1") {
        Label1_Click();
    }
}

void frmBomber::OnTimer(const platform::ControlId& timer)
{
    if (timer.Name == "Scoring") {
        Scoring_Timer();
    } else if (timer.Name == "Timer1") {
        Timer1_Timer();
    }
}
