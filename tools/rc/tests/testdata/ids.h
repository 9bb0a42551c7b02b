#define IDD_SAMPLE 300
#define IDC_NAME 1001
#define IDC_SEX (IDC_NAME + 1)
#define IDM_MAIN 80
