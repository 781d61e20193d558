// The menu texts: labels with their key texts in both languages, and the
// state captions of the fit, zoom and rotation popups.
#include "viewer/input/menu_labels.h"

#include <gtest/gtest.h>

#include "viewer/core/command_ids.h"

namespace {

const MenuLabelRow& Row(uint16_t command) {
    for (const MenuLabelRow& row : MenuLabelTable()) {
        if (row.command == command) return row;
    }
    static const MenuLabelRow none = {};
    ADD_FAILURE() << "no row for " << command;
    return none;
}

TEST(MenuLabels, LabelIsTheTextAndTheFirstCombinationAsWritten) {
    EXPECT_EQ(KeyTextOf(L"RIGHT,SPACE"), L"RIGHT");
    EXPECT_EQ(KeyTextOf(L"ctrl+ o ,X"), L"ctrl+ o ");
    EXPECT_EQ(KeyTextOf(L""), L"");
    EXPECT_EQ(CommandLabel(Row(IDM_NEXT), true, 25, L"RIGHT"), L"Next(&G)\tRIGHT");
    EXPECT_EQ(CommandLabel(Row(IDM_NEXT), false, 25, L""), L"次へ(&G)\t");
    EXPECT_EQ(CommandLabel(Row(IDM_ZOOM_UP), true, 25, L"ADD"), L"+25%(&Z)\tADD");
    EXPECT_EQ(CommandLabel(Row(IDM_ZOOM_DOWN), false, 10, L""), L"-10%(&Q)\t");
    EXPECT_EQ(CommandLabel(Row(IDM_SORT_REV), true, 25, L""), L"Descending(&D)");
    // The context menu has no NEXT: the left click steps forward.
    EXPECT_EQ(Row(IDM_NEXT).menus, LabelMenus::kMenuBar);
    EXPECT_EQ(Row(IDM_PREV).menus, LabelMenus::kBoth);
}

TEST(MenuLabels, StateCaptionsFollowTheirOrderOfConditions) {
    struct Case {
        bool width, in, out, english;
        const wchar_t* caption;
    } cases[] = {
        {true, true, true, true, L"FitWidth(&A)"}, {false, true, true, true, L"FitInOut(&A)"},
        {false, true, false, true, L"FitIn(&A)"},  {false, false, true, true, L"FitOut(&A)"},
        {false, false, false, true, L"NoFit(&A)"}, {false, true, true, false, L"縮小拡大(&A)"},
        {false, false, false, false, L"そのまま(&A)"},
    };
    for (const Case& c : cases) EXPECT_EQ(FitCaption(c.width, c.in, c.out, c.english), c.caption);
    EXPECT_EQ(ZoomCaption(100), L"100%(&W)");
    EXPECT_EQ(RotationCaption(270, true), L"L90(&R)");
    EXPECT_EQ(RotationCaption(270, false), L"左90°(&R)");
    EXPECT_EQ(RotationCaption(90, true), L"R90(&R)");
    EXPECT_EQ(RotationCaption(0, false), L"無回転(&R)");
}

}  // namespace
