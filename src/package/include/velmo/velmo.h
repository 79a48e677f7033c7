// velmo for a host program: create the component's classes by ProgID and call them by member name.
//
//   auto tags = velmo::create_object("Velmo10.clsKxLumoJPGTagsA");   // loads libvelmo10.so
//   velmo::late::let(tags, "ImageFile", std::string("photo.jpg"));
//   std::cout << velmo::late::call(tags, "ListInfo", velmo::True).to_string();
//
// Failures arrive as velmo::Error (number, source, description). Forms and picture boxes to paint
// on come from <velmo/host.h> and libvelmo-host.
#pragma once

#include "automation/error.h"
#include "automation/late.h"
#include "automation/object.h"
#include "automation/registry.h"
#include "automation/variant.h"
#include "runtime/app.h"
#include "velmo/version.h"
