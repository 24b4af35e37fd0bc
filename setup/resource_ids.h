// Resource and control ids of the configuration dialog (template 2003), of
// the installer's agreement dialog (template 104), the manifest and the version
// resource. Included by resources.rc, so plain #defines only.
#pragma once

// Configuration dialog.
#define IDD_CONFIG 2003
#define IDC_CONFIG_TEXT 1016
#define IDC_HOME_PAGE 1011
#define IDC_SPONSOR_PAGE 1012
#define IDC_CONFIG_CLOSE 1013

// Agreement dialog of the self-installer.
#define IDD_AGREEMENT 104
#define IDC_ACCEPT 1002
#define IDC_INSTALL 1003
#define IDC_AGREEMENT_TITLE 1004
#define IDC_EXIT 1005
#define IDC_NOTICE 1006

// The application manifest.
#define IDR_MANIFEST 1
// The version resource.
#define IDR_VERSION 1
