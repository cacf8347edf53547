#include <gtest/gtest.h>
#include <irrlicht.h>

#include "game/settings/KeyNames.h"

TEST(KeyNamesTest, NamesReadBackAsTheirKeysAndUnnamedKeysAsTheirCodes)
{
    for (int key = 1; key < irr::KEY_KEY_CODES_COUNT; ++key) EXPECT_EQ(KeyNames::Code(KeyNames::Name(key)), key) << key;
    EXPECT_EQ(KeyNames::Name(irr::KEY_KEY_X), "X");
    EXPECT_EQ(KeyNames::Name(irr::KEY_TAB), "TAB");
    EXPECT_EQ(KeyNames::Code("return"), irr::KEY_RETURN);
    EXPECT_EQ(KeyNames::Code("87"), irr::KEY_KEY_W);
    EXPECT_EQ(KeyNames::Code("7"), irr::KEY_KEY_7);
    EXPECT_EQ(KeyNames::Code("999"), -1);
    EXPECT_EQ(KeyNames::Code("WARP"), -1);
    EXPECT_EQ(KeyNames::Code(""), -1);
}

TEST(KeyNamesTest, MatchKeysCannotBeBound)
{
    for (int key : {irr::KEY_F1, irr::KEY_F12, irr::KEY_ESCAPE, irr::KEY_PLUS, irr::KEY_MINUS, irr::KEY_ADD,
                    irr::KEY_SUBTRACT})
        EXPECT_FALSE(KeyNames::IsBindable(key)) << key;
    for (int key : {irr::KEY_KEY_W, irr::KEY_TAB, irr::KEY_RETURN, irr::KEY_F13, irr::KEY_UP})
        EXPECT_TRUE(KeyNames::IsBindable(key)) << key;
    EXPECT_FALSE(KeyNames::IsBindable(0));
}
