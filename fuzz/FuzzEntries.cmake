# The fuzz entries as one library, shared by the fuzz programs (fuzz/) and the test that
# replays their findings (tests/fuzz_regressions/); whichever folder comes first defines it.
include_guard(GLOBAL)

add_library(tq1fuzz_entries STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DecodeEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFileEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImagePluginEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniRecordsEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListFileEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoryFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlainBitmapEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RoundTripEntry.cpp
)
target_include_directories(tq1fuzz_entries PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tq1fuzz_entries PUBLIC
  tq1codec tq1bitmap tq1imagefile tq1imagehandler tq1batch tq1settings tq1_options Qt6::Core
  Qt6::Gui)
