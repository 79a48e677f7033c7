#include "gradients/screen.h"

#include "automation/dynamic_object.h"

namespace velmo::gradients {

// Until the host's Screen lands: an in-memory display of 1280 x 800 pixels, 15 twips each.
ObjectRef screen()
{
    static ObjectRef object = [] {
        auto screen = std::make_shared<DynamicObject>("Screen");
        screen->on("Width", [](Args) { return Variant(float(1280 * 15)); });
        screen->on("Height", [](Args) { return Variant(float(800 * 15)); });
        return screen;
    }();
    return object;
}

}  // namespace velmo::gradients
