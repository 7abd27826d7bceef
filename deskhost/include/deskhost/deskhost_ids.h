// Identifiers of the stand-in Display control panel's dialogs and controls. Read by the
// resource compiler and by the panel's code.
#pragma once

// Dialog templates in DESKHOST.RES.
#define IDD_SETTINGS_CLONED 101
#define IDD_SETTINGS_NATIVE 102
#define IDD_DISPLAY_SHEET 110

// The property sheet's own buttons; Apply has the identifier the system's property sheet gives it.
#define IDC_SHEET_APPLY 0x3021

// Controls of the Settings page found in both forms of the page.
#define IDC_DEPTH_COMBO 1200
#define IDC_MORE_LABEL 1210

// The page that the display extension clones its screen-area controls into.
#define IDC_CLONED_PALETTE_GROUP 200
#define IDC_CLONED_DESKTOP_GROUP 201
#define IDC_CLONED_PREVIEW 1205
#define IDC_CLONED_DISPLAY_TEXT 1206
#define IDC_CLONED_DESKTOP_SLIDER 1204
#define IDC_CLONED_DESKTOP_LABEL 1207
#define IDC_CLONED_LESS_LABEL 1209
#define IDC_CLONED_CUSTOM_BUTTON 1211
#define IDC_CLONED_FONT_COMBO 1212
#define IDC_CLONED_TYPE_BUTTON 1213
#define IDC_CLONED_FONT_GROUP 1216

// The page that carries its own screen-area controls, hidden until the extension adopts them.
#define IDC_NATIVE_DESKTOP_SLIDER 1202
#define IDC_NATIVE_PREVIEW 1203
#define IDC_NATIVE_DISPLAY_TEXT 1204
#define IDC_NATIVE_DESKTOP_GROUP 1205
#define IDC_NATIVE_DESKTOP_LABEL 1206
#define IDC_NATIVE_LESS_LABEL 1209
#define IDC_NATIVE_FONT_TEXT 1211
#define IDC_NATIVE_TYPE_BUTTON 1212
#define IDC_NATIVE_SCREEN_GROUP 1213
#define IDC_NATIVE_SCREEN_SLIDER 1214
#define IDC_NATIVE_SCREEN_LABEL 1215
#define IDC_NATIVE_SCREEN_LESS 1216
#define IDC_NATIVE_SCREEN_MORE 1217
#define IDC_NATIVE_FONT_COMBO 1218
#define IDC_NATIVE_CUSTOM_BUTTON 1219
