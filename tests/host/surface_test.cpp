#include <gtest/gtest.h>

#include "automation/late.h"
#include "host/form.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { platform::reset_display(); }
};

TEST_F(SurfaceTest, FilledBoxInPixelScale)
{
    auto box = PictureBox::create(20, 10);
    ObjectRef obj = box;
    late::let(obj, "ScaleMode", 3);
    late::let(obj, "AutoRedraw", True);
    late::call(obj, "Line", Integer(38), 2, 3, 5, 6, Long(0x0000FF));
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 2 && x <= 5 && y >= 3 && y <= 6;
            EXPECT_EQ(box->pixel(x, y), inside ? 0x0000FF : 0xFFFFFF) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace velmo::host
