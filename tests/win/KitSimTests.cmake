# Tests of the kit stand-in: iowkit.dll called by ordinal, kitsim.exe's command
# line and its window. Included from tests/win/CMakeLists.txt.
if(TARGET kitsim_control)
    kontakta_windows_test(win_kitsim_tests KitLibraryTests.cpp KitLibraryFailureTests.cpp KitSimCommandLineTests.cpp
                          VirtualBoxTests.cpp)
    target_include_directories(win_kitsim_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/kitsim)
    target_link_libraries(win_kitsim_tests PRIVATE kitsim_control)
    add_dependencies(win_kitsim_tests iowkit kitsim)
endif()
