#pragma once

// Resource and control identifiers shared by plimvar.rc and the code.
#define IDI_ICON1 1
#define IDD_INPUT_BOX 100
#define IDC_PROMPT 1001
#define IDC_ANSWER 1002
