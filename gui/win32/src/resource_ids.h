/* Command and control ids shared by the resource script and the window code.
   Plain #defines: the resource compiler reads this file too. */
#ifndef ZELTRA5_RESOURCE_IDS_H
#define ZELTRA5_RESOURCE_IDS_H

/* Menu "zeltra5": the argument items carry their number 0 to 10 as command id. */
#define IDM_ARG_P_X 0
#define IDM_ARG_PS_LIQUID 1
#define IDM_ARG_PS_VAPOUR 2
#define IDM_ARG_TS_LIQUID 3
#define IDM_ARG_TS_VAPOUR 4
#define IDM_ARG_P_T 5
#define IDM_ARG_P_H 6
#define IDM_ARG_P_U 7
#define IDM_ARG_P_S 8
#define IDM_ARG_P_RO 9
#define IDM_ARG_T_RO 10
#define IDM_INPUT 30
#define IDM_ABOUT 50
#define IDM_EXIT 60

/* Positions in the menu bar and in the "Аргументы" popup. */
#define MENU_POS_ARGUMENTS 0
#define MENU_POS_PS_POPUP 0
#define MENU_POS_TS_POPUP 1

/* Input dialog "ARGDLG". */
#define IDC_FIRST_VALUE 100
#define IDC_SECOND_VALUE 101
#define IDC_FIRST_SYMBOL 102
#define IDC_FIRST_UNIT 103
#define IDC_SECOND_SYMBOL 104
#define IDC_SECOND_UNIT 105

/* Results panel "RESTBLDLG". */
#define IDC_NAMES_LIST 71
#define IDC_VALUES_LIST 72
#define IDC_UNITS_LIST 73
#define IDC_SUPERHEAT 81
#define IDC_SHOW_SATURATED_LIQUID 82
#define IDC_SHOW_SATURATED_VAPOUR 83
#define IDC_SHOW_REQUESTED 84
#define IDC_COPY 85
#define IDC_COPY_TABLE 86

#endif
