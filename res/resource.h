// Numeric ids of the program's resources, shared by the scripts and the code.
#pragma once

#define IDD_MODIFY_PASSWORD 383
#define IDD_INPUT_PASSWORD 384
#define IDC_PASSWORD_CONFIRM 1007
#define IDC_PASSWORD 1009
#define IDC_DRAG_NODROP 241
#define IDC_DRAG_MOVE 242
#define IDC_DRAG_COPY 243
