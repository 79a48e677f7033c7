#include "host/screen.h"

#include "platform/gdi.h"
#include "platform/scoped.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

namespace {
int device_cap(int index)
{
    ScopedWindowDC dc(GetDC(0), 0);
    return GetDeviceCaps(dc.get(), index);
}
}  // namespace

const ClassInfo& Screen::class_info() const
{
    static const ClassInfo info {
        "Host", "Screen", Creatable::No,
        {
            property_get("Width", &Screen::Width, TypeName::of(VarType::Single)),
            property_get("Height", &Screen::Height, TypeName::of(VarType::Single)),
            property_get("TwipsPerPixelX", &Screen::TwipsPerPixelX, TypeName::of(VarType::Single)),
            property_get("TwipsPerPixelY", &Screen::TwipsPerPixelY, TypeName::of(VarType::Single)),
        },
    };
    return info;
}

float Screen::Width() { return static_cast<float>(device_cap(HORZRES) * twips_per_pixel); }
float Screen::Height() { return static_cast<float>(device_cap(VERTRES) * twips_per_pixel); }
float Screen::TwipsPerPixelX() { return twips_per_pixel; }
float Screen::TwipsPerPixelY() { return twips_per_pixel; }

ObjectRef screen()
{
    thread_local const ObjectRef instance = std::make_shared<Screen>();
    return instance;
}

}  // namespace velmo::host
