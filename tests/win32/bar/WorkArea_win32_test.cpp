#include <windows.h>

#include <gtest/gtest.h>

#include "bar/WorkArea_win32.h"

namespace {

class WorkArea : public ::testing::Test {
  protected:
    void SetUp() override {
        original_ = gb::ReadWorkArea();
        ASSERT_EQ(original_.top, 0) << "another test left the work area reserved";
    }
    void TearDown() override { gb::WriteWorkArea(original_); }
    RECT original_{};
};

TEST_F(WorkArea, ReserveMovesOnlyTheTopAndRestoreGivesItBack) {
    gb::WorkAreaReservation reservation;
    reservation.Reserve(25);
    RECT now = gb::ReadWorkArea();
    EXPECT_EQ(now.top, 25);
    EXPECT_EQ(now.left, original_.left);
    EXPECT_EQ(now.right, original_.right);
    EXPECT_EQ(now.bottom, original_.bottom);
    EXPECT_TRUE(reservation.IsSet());

    reservation.Restore();
    now = gb::ReadWorkArea();
    EXPECT_EQ(now.top, 0);
    EXPECT_EQ(now.bottom, original_.bottom);
    EXPECT_FALSE(reservation.IsSet());
}

TEST_F(WorkArea, SecondReserveAndSecondRestoreChangeNothing) {
    gb::WorkAreaReservation reservation;
    reservation.Reserve(25);
    reservation.Reserve(40);
    EXPECT_EQ(gb::ReadWorkArea().top, 25);
    reservation.Restore();
    // Someone else's change after the bar gave its strip back is left alone.
    RECT other = gb::ReadWorkArea();
    other.top = 7;
    gb::WriteWorkArea(other);
    reservation.Restore();
    EXPECT_EQ(gb::ReadWorkArea().top, 7);
}

TEST_F(WorkArea, EndingTheReservationGivesTheTopBack) {
    {
        gb::WorkAreaReservation reservation;
        reservation.Reserve(30);
        ASSERT_EQ(gb::ReadWorkArea().top, 30);
    }
    EXPECT_EQ(gb::ReadWorkArea().top, 0);
}

} // namespace
