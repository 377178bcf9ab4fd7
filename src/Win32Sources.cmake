# The Win32 shell around the portable core. Included from src/CMakeLists.txt
# for the Windows build only.
add_library(kontakta_resources OBJECT ${PROJECT_SOURCE_DIR}/res/kontakta.rc)
target_include_directories(kontakta_resources PRIVATE ${PROJECT_SOURCE_DIR}/res)

add_library(kontakta_win STATIC
    framework/win/Dialog.cpp
    framework/win/Control.cpp
    framework/win/Text.cpp
    framework/win/PropertySheet.cpp
    sensors/Win32Actions.cpp
    sensors/CActionControl.cpp
    sensors/KitLibrary.cpp
    sensors/CIoControl.cpp
    sensors/CManager.cpp
    app/CMsgBox.cpp
    app/CStartPicture.cpp
    app/Sounds.cpp
    framework/win/Utilities.cpp
    app/AppMessages.cpp
    app/TrayIcon.cpp
    settings/Win32SettingsStorage.cpp
    settings/CSettingsControl.cpp
)
target_include_directories(kontakta_win PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/framework ${PROJECT_SOURCE_DIR})
target_link_libraries(kontakta_win PUBLIC kontakta_core
    user32 gdi32 comctl32 comdlg32 shell32 shlwapi advapi32 winmm setupapi hid ole32)

# The configuration interface: the settings sheet, its pages, the action
# editor with its panels and the key capture field. A library of its own, so
# that the Windows tests drive it without the whole program; it is handed
# what it uses (the device state, the settings storage).
add_library(kontakta_ui STATIC
    ui/CNewStatic.cpp
    ui/CSetup_Info.cpp
    ui/CSetup_Test.cpp
    ui/CKeyActionEdit.cpp
    ui/CEditPanels.cpp
    ui/CEditAction.cpp
    ui/CSetup1.cpp
    ui/CPropSheet.cpp
    ui/CSetup.cpp
)
target_link_libraries(kontakta_ui PUBLIC kontakta_win)

# The program: the process-wide objects, the main window and the application.
add_executable(Kontakta WIN32
    app/Main.cpp
    app/ProgramObjects.cpp
    app/CKontaktaApp.cpp
    app/CKontaktaDlg.cpp
    $<TARGET_OBJECTS:kontakta_resources>
)
target_link_libraries(Kontakta PRIVATE kontakta_ui wtsapi32)
