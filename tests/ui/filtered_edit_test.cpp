#include "ui/filtered_edit.h"

#include <gtest/gtest.h>

namespace hollin::ui {
namespace {

TEST(FilteredEdit, MarginFieldsTakeOnlyUpperHexBackspaceAndDot) {
    for (ControlId id : {1200, 1201, 1202}) {
        EXPECT_FALSE(filteredEditAccepts(id, U'a')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'A')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'F')) << id;
        EXPECT_FALSE(filteredEditAccepts(id, U'G')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'0')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'9')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'\b')) << id;
        EXPECT_TRUE(filteredEditAccepts(id, U'.')) << id;
        EXPECT_FALSE(filteredEditAccepts(id, U'-')) << id;
        EXPECT_FALSE(filteredEditAccepts(id, U' ')) << id;
    }
}

TEST(FilteredEdit, OtherControlsTakeEverything) {
    EXPECT_TRUE(filteredEditAccepts(1203, U'a'));
    EXPECT_TRUE(filteredEditAccepts(0, U'-'));
    EXPECT_TRUE(filteredEditAccepts(1199, U'\u00e9'));
}

}  // namespace
}  // namespace hollin::ui
