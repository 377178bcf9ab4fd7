# The Win32 shell around the portable core. Included from src/CMakeLists.txt
# for the Windows build only.
add_library(kontakta_resources OBJECT ${PROJECT_SOURCE_DIR}/res/kontakta.rc)
target_include_directories(kontakta_resources PRIVATE ${PROJECT_SOURCE_DIR}/res)

add_library(kontakta_win STATIC
    win/Dialog.cpp
    win/Text.cpp
    win/PropertySheet.cpp
    sensors/Win32Actions.cpp
    sensors/CActionControl.cpp
    sensors/KitLibrary.cpp
    sensors/CIoControl.cpp
    sensors/CManager.cpp
    app/CMsgBox.cpp
    app/CStartPicture.cpp
    app/Utilities.cpp
    app/AppMessages.cpp
    app/TrayIcon.cpp
    settings/Win32SettingsStorage.cpp
    settings/CSettingsControl.cpp
)
target_include_directories(kontakta_win PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
target_link_libraries(kontakta_win PUBLIC kontakta_core
    user32 gdi32 comctl32 comdlg32 shell32 shlwapi advapi32 winmm setupapi hid ole32)

# The program: the process-wide objects, the main window, the application and
# the settings sheet.
add_executable(Kontakta WIN32
    app/Main.cpp
    app/ProgramObjects.cpp
    app/CKontaktaApp.cpp
    app/CKontaktaDlg.cpp
    ui/CSetup.cpp
    ui/CSetup_Info.cpp
    $<TARGET_OBJECTS:kontakta_resources>
)
target_link_libraries(Kontakta PRIVATE kontakta_win)
