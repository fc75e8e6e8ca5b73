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

// Page templates
#define IDD_LANGUAGE_PAGE 9
#define IDD_LANGUAGE_PAGE_KV 10
#define IDD_LOADING_PAGE 102
#define IDD_ERROR_PAGE 108

// Controls shared by the pages
#define IDC_LANGUAGE_LIST 1000
#define IDC_PAGE_BAND 1002
#define IDC_PAGE_SEPARATOR 1009
#define IDC_NEXT 1010
#define IDC_SPLASH_TEXT 1011
#define IDC_SPLASH_TEXT_KV 1012
#define IDC_SPLASH_TITLE_KV 1013
#define IDC_PAGE_IMAGE 1016
#define IDC_ERROR_CLOSE 1035
#define IDC_ERROR_TITLE 1036
#define IDC_ERROR_TEXT 1037
#define IDC_PROGRESS 1043

// Locale documents (type "LOCALE")
#define IDR_LOCALE_ISV_EN_US 101
#define IDR_LOCALE_ISV_ES 102
#define IDR_LOCALE_DLM_FIRST 105
#define IDR_LOCALE_DLM_LAST 118
#define IDR_LOCALE_BRANDED 120

// Images (PNG)
#define IDR_IMAGE_LOGO 101
#define IDR_IMAGE_SUCCESS 102
#define IDR_IMAGE_FAILURE 103
