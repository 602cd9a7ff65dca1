# Engine objects in page JavaScript.
target_sources(sorvane_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/conversions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conversions.h
  ${CMAKE_CURRENT_LIST_DIR}/data_binding_context_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_binding_context_manager.h
  ${CMAKE_CURRENT_LIST_DIR}/db_abstract_context_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_abstract_context_object.h
  ${CMAKE_CURRENT_LIST_DIR}/db_method_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_method_info.h
  ${CMAKE_CURRENT_LIST_DIR}/db_property_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_property_info.h
  ${CMAKE_CURRENT_LIST_DIR}/notice_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notice_queue.h
  ${CMAKE_CURRENT_LIST_DIR}/web_channel_binding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web_channel_binding.h
  ${CMAKE_CURRENT_LIST_DIR}/webchannel_facade.cpp
)
