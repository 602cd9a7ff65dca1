# Media views: video player, camera, screen capture, and their facades.
target_sources(sorvane_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/video_view.h
  ${CMAKE_CURRENT_LIST_DIR}/video_player_facade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/camera_view.h
  ${CMAKE_CURRENT_LIST_DIR}/camera_facade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_view.h
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture_facade.cpp
)
