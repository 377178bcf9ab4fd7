# The Win32 shell around the portable core. Included from src/CMakeLists.txt
# for the Windows build only.
add_library(kontakta_resources OBJECT ${PROJECT_SOURCE_DIR}/res/kontakta.rc)
target_include_directories(kontakta_resources PRIVATE ${PROJECT_SOURCE_DIR}/res)

add_library(kontakta_win STATIC
    win/Dialog.cpp
    win/Text.cpp
    sensors/Win32Actions.cpp
    sensors/CActionControl.cpp
    sensors/KitLibrary.cpp
    sensors/CIoControl.cpp
    sensors/CManager.cpp
    app/CMsgBox.cpp
    app/CStartPicture.cpp
    app/Utilities.cpp
)
target_include_directories(kontakta_win PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
target_link_libraries(kontakta_win PUBLIC kontakta_core
    user32 gdi32 comctl32 comdlg32 shell32 shlwapi advapi32 winmm setupapi hid ole32)
