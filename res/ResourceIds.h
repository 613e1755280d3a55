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
inline constexpr int IDD_OPTIONS = 132;

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
inline constexpr int IDC_CHECK_WEBP = 1025;
inline constexpr int IDC_CHECK_AVIF = 1026;
inline constexpr int IDC_CHECK_JXL = 1027;

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

// Options page (132), one control per option.
inline constexpr int IDC_JPEG_QUALITY = 1101;
inline constexpr int IDC_JPEG_PROGRESSIVE = 1102;
inline constexpr int IDC_JPEG_CHROMA = 1103;
inline constexpr int IDC_WEBP_QUALITY = 1104;
inline constexpr int IDC_WEBP_LOSSLESS = 1105;
inline constexpr int IDC_AVIF_QUALITY = 1106;
inline constexpr int IDC_AVIF_SPEED = 1107;
inline constexpr int IDC_JXL_DISTANCE = 1108;
inline constexpr int IDC_JXL_LOSSLESS_JPEG = 1109;
inline constexpr int IDC_PNG_COMPRESSION = 1110;
inline constexpr int IDC_RESIZE = 1111;
inline constexpr int IDC_RESIZE_WIDTH = 1112;
inline constexpr int IDC_RESIZE_HEIGHT = 1113;
inline constexpr int IDC_MAX_SIDE = 1114;
inline constexpr int IDC_NEVER_ENLARGE = 1115;
inline constexpr int IDC_METADATA = 1116;
inline constexpr int IDC_REMOVE_GPS = 1117;
inline constexpr int IDC_IF_EXISTS = 1118;
inline constexpr int IDC_FOLDERS = 1119;

}  // namespace res
