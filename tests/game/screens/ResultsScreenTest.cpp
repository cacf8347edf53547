// The results after a match: the figures of the match it was given, and where each of its
// entries and keys leads (REMATCH with Return, TITLE with Escape, no REMATCH after a network match).
#include <algorithm>

#include "tests/game/screens/ScreenFixture.h"

namespace {

TMatchStats AMatch()
{
    TMatchStats stats;
    stats.shots[0] = 12, stats.hits[0] = 5;
    stats.shots[1] = 9, stats.hits[1] = 3;
    stats.winner = 1;
    stats.elapsedMs = 65400;
    return stats;
}

}  // namespace

class ResultsScreen : public ScreenTest {
protected:
    void Open(const TMatchStats& stats)
    {
        if (!game) StartAtTitle();
        game->lastMatch = stats;
        TGame::SetGameState("ResultsScreen");
        Frames(2);
        ASSERT_EQ(Current(), "ResultsScreen");
    }
    bool Shows(const std::wstring& text)
    {
        return std::any_of(results->texts.begin(), results->texts.end(), [&](const auto& t) { return t.text == text; });
    }
    irr::gui::IGUIElement* Entry(int id) { return results->guienv->getRootGUIElement()->getElementFromId(id, true); }
};

TEST_F(ResultsScreen, ShowsTheWinnerEachPlayersFiguresAndTheMatchTime)
{
    Open(AMatch());
    for (const wchar_t* text : {L"PLAYER 1 WINS", L"HITS", L"SHOTS", L"ACCURACY", L"PLAYER 1", L"PLAYER 2", L"12",
                                L"5", L"42%", L"9", L"3", L"33%", L"MATCH TIME 1:05"})
        EXPECT_TRUE(Shows(text)) << std::string(text, text + wcslen(text));
    // Every text stands in the scheme's text color (on a plate chosen to read against it).
    for (const auto& t : results->texts) EXPECT_EQ(t.color, Scheme("Background"));

    TMatchStats draw;
    draw.elapsedMs = 136000;
    EXPECT_EQ(TVexmoorResultsScreen::WinnerLine(draw), L"DRAW");
    EXPECT_EQ(TVexmoorResultsScreen::TimeLine(draw), L"MATCH TIME 2:16");
    EXPECT_EQ(TVexmoorResultsScreen::PlayerCells(draw, 2)[3], L"0%") << "no shot, no division by zero";
}

TEST_F(ResultsScreen, ReturnIsARematchEscapeTheTitleAndTheMiddleEntryTheSetUp)
{
    Open(AMatch());
    TapKey(irr::KEY_RETURN);
    Frames(2);
    EXPECT_EQ(Current(), "Arena");

    // The pointer moved (the match puts it back in the middle) takes the highlight: Return
    // is a rematch all the same.
    Open(AMatch());
    MoveMouse(400, 300);
    Frames(1);
    ASSERT_LT(results->HighlightedEntry(), 0);
    TapKey(irr::KEY_RETURN);
    Frames(2);
    EXPECT_EQ(Current(), "Arena");

    Open(AMatch());
    TapKey(irr::KEY_ESCAPE);
    Frames(2);
    EXPECT_EQ(Current(), "TitleScreen");

    Open(AMatch());
    TapKey(irr::KEY_DOWN);
    TapKey(irr::KEY_RETURN);
    Frames(2);
    EXPECT_EQ(Current(), "StartScreen");
}

TEST_F(ResultsScreen, AfterANetworkMatchThereIsNoRematchAndReturnOpensTheSetUp)
{
    TMatchStats stats = AMatch();
    stats.network = true;
    Open(stats);
    EXPECT_EQ(Entry(TVexmoorResultsScreen::kRematchId), nullptr);
    ASSERT_NE(Entry(TVexmoorResultsScreen::kTitleId), nullptr);
    TapKey(irr::KEY_RETURN);
    Frames(2);
    EXPECT_EQ(Current(), "StartScreen");
}
