// The 23 carried skins: each reads, each is legible, each is a look of its own.
#include "skin/engine/skinfile.h"
#include "skin/skin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// WCAG relative luminance and contrast ratio.
double luminance(QRgb rgb)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Normal text needs 4.5:1. Disabled text and placeholders, and the accent that fills the
// opacity slider's groove on the tool bar, are not body text: they need to be seen, not read
// at length.
constexpr double kText = 4.5;
constexpr double kMuted = 3.0;
constexpr double kOnBar = 2.0;

struct Pair {
    const char* text;
    std::vector<const char*> backgrounds;
    double minimum;
};

// What the shared style sheet draws on what.
const std::vector<Pair> kVarPairs = {
    {"text", {"window"}, kText},
    {"field.text", {"field", "field.alt"}, kText},
    {"button.text", {"button.top", "button.mid", "button.low", "button.bottom", "button.hover"}, kText},
    {"bar.text", {"bar.top", "bar.mid", "bar.low", "bar.bottom", "hover"}, kText},
    {"accent.text", {"accent"}, kText},
    {"menu.text", {"menu"}, kText},
    {"status.text", {"status"}, kText},
    {"header.text", {"header", "header.top"}, kText},
    {"tip.text", {"tip"}, kText},
    {"link", {"field", "window"}, kText},
    {"slogan", {"bar.top", "bar.mid", "bar.low", "bar.bottom"}, kText},
    {"muted", {"window", "field", "button.top", "button.bottom", "menu"}, kMuted},
    {"bar.muted", {"bar.top", "bar.mid", "bar.low", "bar.bottom"}, kMuted},
    {"accent", {"bar.mid", "bar.low"}, kOnBar},
};

struct RolePair {
    QPalette::ColorRole text;
    QPalette::ColorRole background;
    double minimum;
};

const RolePair kRolePairs[] = {
    {QPalette::WindowText, QPalette::Window, kText},     {QPalette::Text, QPalette::Base, kText},
    {QPalette::Text, QPalette::AlternateBase, kText},    {QPalette::ButtonText, QPalette::Button, kText},
    {QPalette::HighlightedText, QPalette::Highlight, kText}, {QPalette::ToolTipText, QPalette::ToolTipBase, kText},
    {QPalette::Link, QPalette::Base, kText},             {QPalette::PlaceholderText, QPalette::Base, kMuted},
};

const std::set<QString> kDark = {
    QStringLiteral("asus"),     QStringLiteral("black"),    QStringLiteral("darkroyale"), QStringLiteral("insomnia"),
    QStringLiteral("longhorn"), QStringLiteral("storm"),    QStringLiteral("xmp"),
};

skinfile::Skin carried(int number) { return skinfile::parse(skin::carriedSkin(number)).skin; }

QRgb colourOf(const skinfile::Skin& skin, const char* name)
{
    const skinfile::Var* var = skin.var(QString::fromLatin1(name));
    EXPECT_TRUE(var && var->colour) << skin.name.toStdString() << " lacks the colour " << name;
    return var && var->colour ? *var->colour : 0;
}

class CarriedSkin : public ::testing::TestWithParam<int> {};

TEST_P(CarriedSkin, ReadsUnderItsName)
{
    const skinfile::Result result = skinfile::parse(skin::carriedSkin(GetParam()));
    ASSERT_TRUE(result.ok()) << skinfile::errorName(result.error) << ": " << result.detail.toStdString();
    EXPECT_EQ(result.skin.name, skin::name(GetParam()));
    EXPECT_TRUE(skin::carriedSkin(GetParam()).startsWith(".SHE"));
}

TEST_P(CarriedSkin, EveryTextIsReadableOnItsBackground)
{
    const skinfile::Skin skin = carried(GetParam());
    for (const Pair& pair : kVarPairs)
        for (const char* background : pair.backgrounds)
            EXPECT_GE(contrast(colourOf(skin, pair.text), colourOf(skin, background)), pair.minimum)
                << skin.name.toStdString() << ": " << pair.text << " on " << background;
    for (const RolePair& pair : kRolePairs) {
        ASSERT_TRUE(skin.colour(pair.text) && skin.colour(pair.background)) << skin.name.toStdString();
        EXPECT_GE(contrast(*skin.colour(pair.text), *skin.colour(pair.background)), pair.minimum)
            << skin.name.toStdString() << ": role " << pair.text << " on " << pair.background;
    }
    for (const skinfile::PaletteEntry& e : skin.palette) {
        if (e.group != QPalette::Disabled)
            continue;
        for (QPalette::ColorRole background : {QPalette::Window, QPalette::Base, QPalette::Button})
            EXPECT_GE(contrast(e.colour, *skin.colour(background)), kMuted)
                << skin.name.toStdString() << ": disabled role " << e.role << " on " << background;
    }
}

TEST_P(CarriedSkin, DarkSkinsAreDarkAndLightOnesLight)
{
    const skinfile::Skin skin = carried(GetParam());
    const double window = luminance(colourOf(skin, "window"));
    const double field = luminance(colourOf(skin, "field"));
    if (kDark.count(skin.name)) {
        EXPECT_LT(window, 0.05) << skin.name.toStdString();
        EXPECT_LT(field, 0.05) << skin.name.toStdString();
    } else {
        EXPECT_GT(window, 0.6) << skin.name.toStdString();
        EXPECT_GT(field, 0.6) << skin.name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(All, CarriedSkin, ::testing::Range(1, skin::kSkinCount + 1),
                         [](const auto& info) { return skin::name(info.param).toStdString(); });

TEST(CarriedSkins, AreLooksOfTheirOwnNotNearCopies)
{
    // Any two skins differ in most of their colours.
    for (int a = 1; a <= skin::kSkinCount; ++a) {
        const skinfile::Skin first = carried(a);
        for (int b = a + 1; b <= skin::kSkinCount; ++b) {
            const skinfile::Skin second = carried(b);
            int colours = 0, differ = 0;
            for (const skinfile::Var& v : first.vars) {
                const skinfile::Var* w = second.var(v.name);
                if (!v.colour || !w || !w->colour)
                    continue;
                ++colours;
                differ += *v.colour != *w->colour;
            }
            EXPECT_GE(differ * 4, colours * 3) << first.name.toStdString() << " and " << second.name.toStdString();
        }
    }
}

}  // namespace
