# The web view: WebView, its facade, what its page asks of the host, the "res" scheme handler.
target_sources(sorvane_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bridge_origins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bridge_origins.h
  ${CMAKE_CURRENT_LIST_DIR}/downloads.cpp
  ${CMAKE_CURRENT_LIST_DIR}/downloads.h
  ${CMAKE_CURRENT_LIST_DIR}/godot_scheme_handler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/godot_scheme_handler.h
  ${CMAKE_CURRENT_LIST_DIR}/page_requests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/res_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/res_request.h
  ${CMAKE_CURRENT_LIST_DIR}/web_sound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_view.h
  ${CMAKE_CURRENT_LIST_DIR}/web_view_facade.cpp
)
