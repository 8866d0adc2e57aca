// The design of frmBomber: the window and its eleven controls as they are
// created at every load, in creation order (which is also the stacking order
// of the shown controls, first on top). Positions and sizes in pixels.
#include "assets/embedded.h"
#include "game/frmBomber.h"

using platform::ControlDesign;
using platform::ControlKind;
using platform::FontDesign;
using platform::FormDesign;

namespace {

constexpr FontDesign kDefaultFont{"MS Sans Serif", 8};
constexpr FontDesign kPromptFont{"MS Sans Serif", 18};

}  // namespace

const FormDesign& frmBomber::Design()
{
    static const ControlDesign controls[] = {
        {.Name = "Scoring", .Kind = ControlKind::Timer, .Visible = false, .Interval = 100, .Enabled = false},
        {.Name = "Timer1", .Kind = ControlKind::Timer, .Visible = false, .Interval = 1, .Enabled = false},
        {.Name = "picMask", .Kind = ControlKind::PictureBox, .Left = 16, .Top = 216, .Width = 82, .Height = 86,
         .Visible = false, .Picture = embedded::MaskSheet(), .BorderFlat = true},
        {.Name = "picSprite", .Kind = ControlKind::PictureBox, .Left = 120, .Top = 216, .Width = 82, .Height = 86,
         .Visible = false, .Picture = embedded::ColourSheet(), .BorderFlat = true},
        {.Name = "Label1", .Kind = ControlKind::Label, .Left = 144, .Top = 168, .Width = 137, .Height = 33,
         .Caption = "Click to Start", .Font = kPromptFont},
        {.Name = "Image1", .Index = 4, .Kind = ControlKind::Image, .Left = 272, .Top = 64, .Width = 20, .Height = 20,
         .Picture = embedded::Obstacle()},
        {.Name = "Image1", .Index = 3, .Kind = ControlKind::Image, .Left = 232, .Top = 64, .Width = 20, .Height = 20,
         .Picture = embedded::Obstacle()},
        {.Name = "Image1", .Index = 2, .Kind = ControlKind::Image, .Left = 200, .Top = 64, .Width = 20, .Height = 20,
         .Picture = embedded::Obstacle()},
        {.Name = "Image1", .Index = 1, .Kind = ControlKind::Image, .Left = 160, .Top = 72, .Width = 20, .Height = 20,
         .Picture = embedded::Obstacle()},
        {.Name = "Image1", .Index = 0, .Kind = ControlKind::Image, .Left = 120, .Top = 64, .Width = 20, .Height = 20,
         .Picture = embedded::Obstacle()},
        {.Name = "lblScore", .Kind = ControlKind::Label, .Left = 184, .Top = 8, .Width = 97, .Height = 33,
         .Caption = ""},
    };
    static const FormDesign form{
        .Name = "frmBomber",
        .Caption = "Orvixel",
        .ClientWidth = 464,
        .ClientHeight = 349,
        .BackColor = platform::Rgb(0, 0, 0),
        .ForeColorHighlightText = platform::Rgb(255, 255, 255),
        .Font = kDefaultFont,
        .Controls = controls,
    };
    return form;
}
