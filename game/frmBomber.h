// frmBomber: the game's one form. Its state lives in the form object from
// start-up to exit and survives every reload; its handlers reach the controls
// through the form at every use.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/core/form.h"
#include "platform/core/services.h"
#include "platform/language/values.h"

// The application title: the caption of every message box.
inline constexpr std::string_view kApplicationTitle = "Brennow";

class frmBomber : public platform::Form {
public:
    // The old language's types, by their own names inside the form.
    using Integer = platform::Integer;
    using Single = platform::Single;
    using Double = platform::Double;
    template <class T, std::size_t N>
    using Array = platform::Array<T, N>;

    explicit frmBomber(platform::FormHost& host) : Form(host, Design()) {}

    static const platform::FormDesign& Design();

    // The game state.
    Double PlayerX = 0;
    Double PlayerY = 0;
    Integer AnimFrame = 0;
    Array<Integer, 5> SpeedX;
    Array<Integer, 5> SpeedY;
    Integer Score = 0;
    Integer PlayerDir = 0;  // kept by Form_KeyDown alone

    // The controls of the current load.
    platform::Timer& Scoring() { return ControlNamed<platform::Timer>("Scoring"); }
    platform::Timer& Timer1() { return ControlNamed<platform::Timer>("Timer1"); }
    platform::PictureBox& picMask() { return ControlNamed<platform::PictureBox>("picMask"); }
    platform::PictureBox& picSprite() { return ControlNamed<platform::PictureBox>("picSprite"); }
    platform::Label& Label1() { return ControlNamed<platform::Label>("Label1"); }
    platform::Label& lblScore() { return ControlNamed<platform::Label>("lblScore"); }
    platform::Image& Image1(Integer Index) { return ControlNamed<platform::Image>("Image1", Index.Value()); }

    // The handlers, in the order of the form's code.
    void Form_Click();
    void Form_KeyDown(const Integer& KeyCode, const Integer& Shift);
    void Form_Load();
    void Form_MouseMove(const Integer& Button, const Integer& Shift, const Single& X, const Single& Y);
    void Label1_Click();
    void Scoring_Timer();
    void Timer1_Timer();

    // Event wiring.
    void OnLoad() override { Form_Load(); }
    void OnClick() override { Form_Click(); }
    void OnKeyDown(const Integer& KeyCode, const Integer& Shift) override { Form_KeyDown(KeyCode, Shift); }
    void OnMouseMove(const Integer& Button, const Integer& Shift, const Single& X, const Single& Y) override
    {
        Form_MouseMove(Button, Shift, X, Y);
    }
    void OnControlClick(const platform::ControlId& control) override;
    void OnTimer(const platform::ControlId& timer) override;

private:
    void GameOver();
    // The program's default instance of frmBomber: the one the runtime owns.
    frmBomber& DefaultInstance() { return static_cast<frmBomber&>(App().StartupForm()); }
};
