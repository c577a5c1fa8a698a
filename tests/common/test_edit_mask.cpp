// Catalogue edit masks read as Qt input masks, and the value a masked box
// stores.
#include "common/EditMask.h"

#include <gtest/gtest.h>

using kv::common::EditMask;
using kv::common::MaskedValue;
using kv::common::TranslateEditMask;

TEST(EditMaskTest, TranslatesToQtMasks)
{
    const struct {
        const char* catalogue;
        const char* qt;  // with its blank
        bool saveLiterals;
        int places;
    } cases[] = {
        {"00000\\-9999;1;_", "99999-0000;_", true, 10},
        {"!\\(999\\) 000-0000;1;_", "(000) 999-9999;_", true, 14},
        {"LlAaCc#;0; ", "AaNnXx#; ", false, 7},
        // Case markers take no place; "<>" ends case conversion.
        {">L<l<>c", ">A<a!x;_", true, 3},
        // Letters Qt reads as markers are literals in the catalogue mask.
        {"N0-D0 \\;X", "\\N9-\\D9 \\;\\X;_", true, 8},
        {"", "", true, 0},
    };
    for (const auto& c : cases) {
        const EditMask m = TranslateEditMask(QString::fromUtf8(c.catalogue));
        EXPECT_EQ(m.qtInputMask(), QString::fromUtf8(c.qt)) << c.catalogue;
        EXPECT_EQ(m.saveLiterals, c.saveLiterals) << c.catalogue;
        EXPECT_EQ(static_cast<int>(m.places.size()), c.places) << c.catalogue;
    }
}

TEST(EditMaskTest, MaskedValueKeepsLiteralsAsTheMaskSaysAndIsNullWhenNothingWasTyped)
{
    const EditMask zip = TranslateEditMask(QStringLiteral("00000\\-9999;1;_"));
    const EditMask phone = TranslateEditMask(QStringLiteral("!\\(999\\) 000-0000;1;_"));
    const EditMask bare = TranslateEditMask(QStringLiteral("00000\\-9999;0;*"));
    const struct {
        const EditMask* mask;
        const char* display;
        const char* value;  // nullptr: Null
    } cases[] = {
        {&zip, "12345-6789", "12345-6789"},
        {&zip, "12345-____", "12345-"},
        {&zip, "_____-____", nullptr},
        {&zip, "", nullptr},
        {&phone, "(555) 123-4567", "(555) 123-4567"},
        {&phone, "(___) 123-4567", "() 123-4567"},
        {&bare, "12345-67**", "1234567"},
        {&bare, "*****-****", nullptr},
    };
    for (const auto& c : cases) {
        const QString v = MaskedValue(*c.mask, QString::fromUtf8(c.display));
        if (c.value)
            EXPECT_EQ(v, QString::fromUtf8(c.value)) << c.display;
        else
            EXPECT_TRUE(v.isNull()) << c.display;
    }
}
