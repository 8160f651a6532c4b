// Identifiers of Setup's resources and dialog controls; shared by the resource
// scripts and the code.
#pragma once

#define IDI_SETUP 101

#define IDD_MAIN 200
#define IDC_HEADER_TITLE 201
#define IDC_STATUS_LINE 202
#define IDC_STEP_LINE 203
#define IDC_PROGRESS 204
#define IDC_LOG_PANE 206
#define IDC_INSTALL 207
#define IDC_REMOVE 208
#define IDC_CLOSE 209
#define IDC_HEADER_BAND 210
#define IDC_HEADER_ICON 211
#define IDC_HEADER_SUBTITLE 212
#define IDC_CARD 213
#define IDC_LOG_TOGGLE 214
#define IDC_NOTICES 216
#define IDC_LOG_LABEL 217

#define IDD_NOTICES 270
#define IDC_NOTICES_TEXT 271
#define IDC_NOTICES_CLOSE 272

#define IDR_NOTICES 280
