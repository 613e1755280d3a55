#pragma once

// Resource and control ids. A control id is unique within its template only:
// the templates were laid out one by one, so the same number can mean
// different controls on different pages.
namespace res {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;  // the About entry's text
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;  // the application icon
inline constexpr int IDD_SINGLE = 129;
inline constexpr int IDD_BATCH = 130;
inline constexpr int IDD_ABOUT = 131;

// The About entry's command id; only its bits above the lowest four count.
inline constexpr unsigned int IDM_ABOUTBOX = 0x10;

// The main dialog's tab control.
inline constexpr int IDC_TABCONTROL = 2000;

// Controls without an id.
inline constexpr int IDC_STATIC = -1;

// About box (100).
inline constexpr int IDC_ABOUTBOX_OK = 1;

// Single page (129).
inline constexpr int IDC_PREVIEW = 1002;
inline constexpr int IDC_IN_FILE = 1003;
inline constexpr int IDC_OPEN_FILE = 1004;
inline constexpr int IDC_OUT_DIR = 1005;
inline constexpr int IDC_OPEN_FOLDER = 1006;
inline constexpr int IDC_CONVERT = 1007;
inline constexpr int IDC_CHECK_BMP = 1009;
inline constexpr int IDC_CHECK_JPG = 1017;
inline constexpr int IDC_CHECK_GIF = 1018;
inline constexpr int IDC_CHECK_PCX = 1019;
inline constexpr int IDC_CHECK_PNG = 1020;
inline constexpr int IDC_CHECK_ICO = 1021;
inline constexpr int IDC_CHECK_TIF = 1022;
inline constexpr int IDC_CHECK_TGA = 1023;
inline constexpr int IDC_CHECK_RAW = 1024;

// Batch page (130); the preview (1002), Convert (1007) and the out folder
// edit (1005) carry the Single page's numbers.
inline constexpr int IDC_BATCH_OPEN_FOLDER = 1008;
inline constexpr int IDC_FILE_LIST = 1011;
inline constexpr int IDC_ADD_FOLDER = 1012;
inline constexpr int IDC_ADD_FILE = 1013;
inline constexpr int IDC_OUT_TYPE = 1014;
inline constexpr int IDC_PROGRESS = 1016;
inline constexpr int IDC_DELETE = 1021;
inline constexpr int IDC_DELETE_ALL = 1022;

// About page (131).
inline constexpr int IDC_ABOUT_ICON = 1002;
inline constexpr int IDC_INFO = 1017;
inline constexpr int IDC_WEBSITE = 1019;
inline constexpr int IDC_GET_NEW_VERSION = 1020;

}  // namespace res
