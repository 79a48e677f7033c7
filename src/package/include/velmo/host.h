// The host's drawing world for a host program (libvelmo-host): forms and picture boxes that the
// component paints on, Screen, LoadPicture, DoEvents, RGB and QBColor.
#pragma once

#include "runtime/colors.h"
#include "host/do_events.h"
#include "host/form.h"
#include "host/load_picture.h"
#include "host/picture_box.h"
#include "host/screen.h"
#include "velmo/velmo.h"
