// A host program of the Velmo10 component: it makes a form, has the component paint a gradient on
// it, lists a photo's EXIF tags, and handles the component's errors the way a host does, by number.
//   host_program PHOTO.jpg OUTPUT.png
#include <cstdio>
#include <iostream>

#include <velmo/host.h>

namespace {

// What a host does with an error it does not expect: tell the user number, source and text.
void show(const velmo::Error& error)
{
    std::cout << "Error " << error.number() << " (" << error.source() << "): " << error.description() << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: host_program PHOTO.jpg OUTPUT.png\n");
        return 2;
    }
    using namespace velmo;
    try {
        // A 320 x 200 form, and the painter by its ProgID (loading the component's drawing part).
        auto form = host::Form::create(320, 200);
        ObjectRef painter = create_object("Velmo10.clsKxLumoGradientsA");
        // Blue to white, left to right: HorizGradient form, rs, gs, bs, re, ge, be, smooth.
        late::call(painter, "HorizGradient", ObjectRef(form), Integer(0), Integer(0), Integer(160), Integer(255),
            Integer(255), Integer(255), False);
        form->write_png(argv[2]);
        std::cout << "Painted " << argv[2] << ": left pixel " << form->pixel(1, 100) << ", right pixel " << form->pixel(318, 100) << "\n";

        // The photo's tags, one "Name: value" line each.
        ObjectRef tags = create_object("Velmo10.clsKxLumoJPGTagsA");
        late::let(tags, "ImageFile", std::string(argv[1]));
        std::cout << late::call(tags, "ListInfo", True).to_string();
        // One tag by number; MetaInfo stores the text into its by-reference second argument.
        Variant id = Long(271), text = std::string();  // 271: Make
        Variant* args[] = { &id, &text };
        late::invoke(tags, "MetaInfo", Invoke::Call, args);
        std::cout << "The camera is a " << text.to_string() << "\n";

        // An error the host expects: a file that is not there. It handles it and goes on.
        try {
            late::let(tags, "ImageFile", std::string("no-such-photo.jpg"));
        } catch (const Error& error) {
            if (error.number() != 1 || error.source() != "ReadMetaInfo")
                throw;
            std::cout << "No such photo, as expected: " << error.description() << "\n";
        }
        // The framework's About box through the main class; 429 when libkxbasalt10.so is missing.
        ObjectRef library = create_object("Velmo10.clsKxVelmo10A");
        Variant about = late::call(library, "About");
        std::cout << "About returned " << about.to_string() << "\n";
    } catch (const Error& error) {
        show(error);
        return 1;
    }
    return 0;
}
