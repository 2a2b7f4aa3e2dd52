#pragma once

// Test-only resources of the framework suite.
#define IDD_FRAMEWORK_TEST 9001
#define IDC_TEST_EDIT 201
#define IDC_TEST_BUTTON 202
#define IDC_TEST_SCROLL 203
#define IDC_TEST_LABEL 204
