# The Win32 shell around the portable core, layer by layer as the portable
# core (see src/CMakeLists.txt). Included from src/CMakeLists.txt for the
# Windows build only.

# The resource ids (res/resource.h) and the resources themselves.
add_library(kontakta_res INTERFACE)
target_include_directories(kontakta_res INTERFACE ${res_root})
add_library(kontakta_resources OBJECT ${PROJECT_SOURCE_DIR}/res/kontakta.rc)
target_include_directories(kontakta_resources PRIVATE ${PROJECT_SOURCE_DIR}/res)

# Our thin dialog framework over Win32. Its include root holds only the
# framework: it includes nothing of the program.
add_library(kontakta_framework STATIC
    framework/win/Dialog.cpp
    framework/win/Control.cpp
    framework/win/Text.cpp
    framework/win/PropertySheet.cpp
    framework/win/Utilities.cpp
    framework/win/Accessible.cpp
)
target_include_directories(kontakta_framework PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/framework)
target_link_libraries(kontakta_framework PUBLIC user32 gdi32 comctl32 oleacc ole32 oleaut32 uuid)

# The sensors' Win32 side: input, the shell, the kit, the polling thread.
add_library(kontakta_sensors_win STATIC
    sensors/Win32Actions.cpp
    sensors/Win32Pointer.cpp
    sensors/CActionControl.cpp
    sensors/KitLibrary.cpp
    sensors/CIoControl.cpp
    sensors/CManager.cpp
)
target_link_libraries(kontakta_sensors_win PUBLIC kontakta_sensors_core kontakta_framework kontakta_res
    shell32 advapi32 setupapi hid ole32)

# The settings' Win32 side: the settings file, the registry, the settings
# window.
add_library(kontakta_settings_win STATIC
    settings/Win32SettingsStorage.cpp
    settings/CSettingsControl.cpp
)
target_link_libraries(kontakta_settings_win PUBLIC kontakta_settings_core kontakta_sensors_win advapi32)

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
    ui/CProfileDialogs.cpp
    ui/CSetup_Profiles.cpp
    ui/CPropSheet.cpp
    ui/CSetup.cpp
)
target_link_libraries(kontakta_ui PUBLIC kontakta_ui_core kontakta_settings_win comdlg32 shlwapi)

# The program's windows and utilities below the main window: the message
# window, the splash, the tray icon, the sounds.
add_library(kontakta_app_win STATIC
    app/CMsgBox.cpp
    app/CStartPicture.cpp
    app/Sounds.cpp
    app/AppMessages.cpp
    app/TrayIcon.cpp
    app/LatchIndicator.cpp
    app/ScanOverlay.cpp
    app/ScanDisplay.cpp
    app/Speech.cpp
)
target_link_libraries(kontakta_app_win PUBLIC kontakta_app_core kontakta_settings_win shell32 winmm ole32)

# Every Win32 part but the configuration interface, for the tests, the
# benchmarks and the tools.
add_library(kontakta_win INTERFACE)
target_link_libraries(kontakta_win INTERFACE kontakta_app_win)

# The program: the process-wide objects, the main window and the application.
add_executable(Kontakta WIN32
    app/Main.cpp
    app/ProgramObjects.cpp
    app/CKontaktaApp.cpp
    app/CKontaktaDlg.cpp
    $<TARGET_OBJECTS:kontakta_resources>
)
target_link_libraries(Kontakta PRIVATE kontakta_ui kontakta_app_win wtsapi32)
