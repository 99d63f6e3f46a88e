#pragma once

#include <QColor>

// The skin's colours: a dark cabin at night, high contrast, state in colour and shape.
namespace skin::palette {

inline const QColor kBackgroundTop(0x0E, 0x1A, 0x2B);
inline const QColor kBackgroundBottom(0x16, 0x28, 0x3F);
inline const QColor kPanel(0x1C, 0x31, 0x50);
inline const QColor kPanelBorder(0x2F, 0x4D, 0x73);
inline const QColor kFace(0x22, 0x3B, 0x60);       // a control's face, a step lighter than its panel
inline const QColor kText(0xFF, 0xFF, 0xFF);
inline const QColor kTextSecondary(0xB8, 0xC7, 0xDA);
inline const QColor kTextOnLight(0x0E, 0x1A, 0x2B); // on green, amber and light cards: white would be faint
inline const QColor kOn(0x36, 0xC2, 0x75);
inline const QColor kOnTop(0x6B, 0xDC, 0x9C);
inline const QColor kOff(0x5B, 0x6B, 0x82);
inline const QColor kGreyFace(0x3A, 0x45, 0x56);
inline const QColor kGreyText(0x6E, 0x7A, 0x8C);
inline const QColor kAccent(0x2B, 0xB3, 0xE0);
inline const QColor kWarning(0xF2, 0xA5, 0x41);
inline const QColor kDanger(0xE5, 0x48, 0x4D);
// Light enough for the black values a page writes on it, dim enough not to glare at night.
inline const QColor kCard(0xD3, 0xDD, 0xEA);
inline const QColor kField(0xF2, 0xF5, 0xFA);
inline const QColor kKnob(0xF4, 0xF7, 0xFB);
// The colour a masked picture treats as transparent (the slider thumb's corner).
inline const QColor kTransparentKey(0xFF, 0x00, 0xFF);

// Geometry shared by every picture.
inline constexpr int kRadius = 16;
inline constexpr int kBorder = 2;
inline constexpr int kTitleSize = 34;
inline constexpr int kCaptionSize = 22;
inline constexpr int kLabelSize = 20;
inline constexpr int kMinTextSize = 18;
inline constexpr int kTitleX = 40;
inline constexpr int kTitleY = 28;

} // namespace skin::palette
