// Resource identifiers shared by the resource script and the code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TESSERA_DIALOG 103
#define IDR_MAINFRAME 128

#define IDM_ABOUTBOX 0x0010

// Main dialog
#define IDC_BAND 1001
#define IDC_TOP_RULE 1004
#define IDC_SEPARATOR 1006
#define IDC_PRODUCT_ICON 1007
#define IDC_TITLE_LABEL 1008
#define IDC_PAGE_FRAME 1014

// About box
#define IDC_ABOUT_VERSION 1045
