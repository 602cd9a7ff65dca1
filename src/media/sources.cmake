# Media views: video player, camera, screen capture, and their facades.
target_sources(sorvane_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fill_mode.h
  ${CMAKE_CURRENT_LIST_DIR}/media_maps.h
  ${CMAKE_CURRENT_LIST_DIR}/media_maps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audio_samples.h
  ${CMAKE_CURRENT_LIST_DIR}/audio_samples.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video_view.h
  ${CMAKE_CURRENT_LIST_DIR}/video_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video_player_facade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_choice.h
  ${CMAKE_CURRENT_LIST_DIR}/camera_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_view.h
  ${CMAKE_CURRENT_LIST_DIR}/camera_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_facade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_choice.h
  ${CMAKE_CURRENT_LIST_DIR}/screen_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_recorder.h
  ${CMAKE_CURRENT_LIST_DIR}/screen_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_view.h
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_facade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/physical_screens.h
  ${CMAKE_CURRENT_LIST_DIR}/physical_screens.cpp
)
