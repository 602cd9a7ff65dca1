#pragma once

// Every facade class: one header per kind of view.
#include "sorvane/camera_view.h"
#include "sorvane/quick_view.h"
#include "sorvane/screen_capture_view.h"
#include "sorvane/video_player_view.h"
#include "sorvane/view.h"
#include "sorvane/web_view.h"
