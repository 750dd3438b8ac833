// The numbers of the player window's commands: menu entries, accelerator
// keys and the skin's controls all reach the window as one of these.
#pragma once

#include "tracks/TrackCommands.h"

// Skin controls that command the player.
constexpr int IDC_PAUSE = 1000;
constexpr int IDC_FILEOPEN = 1001;
constexpr int IDC_STOP = 1004;
constexpr int IDC_PLAY = 1006;
constexpr int IDC_SYS_CLOSE = 1011;
constexpr int IDC_SYS_MAXIMIZE = 1012;
constexpr int IDC_SYS_MINIMIZE = 1013;
constexpr int IDC_FULLSCREEN = 1014;
constexpr int IDC_LIST = 1017;
constexpr int IDC_PREPLAYLIST = 1023;
constexpr int IDC_NEXTPLAYLIST = 1024;
constexpr int IDC_REPEAT = 1027;

// Menu and accelerator commands.
constexpr int ID_FILE_OPEN = 32771;
constexpr int ID_PLAY_STOP = 32774;
constexpr int ID_PLAY_PAUSE = 32775;
constexpr int ID_PLAY_PLAY = 32778;
constexpr int ID_FILE_CLOSE = 32779;
constexpr int ID_PLAY_NORMALSPEED = 32780;
constexpr int ID_PLAY_SLOWER = 32782;
constexpr int ID_PLAY_FASTER = 32783;
constexpr int ID_PLAY_BACK10 = 32784;
constexpr int ID_PLAY_FORWARD10 = 32785;
constexpr int ID_PLAY_BACK60 = 32786;
constexpr int ID_PLAY_FORWARD60 = 32787;
constexpr int ID_PLAY_BACK300 = 32788;
constexpr int ID_PLAY_FORWARD300 = 32789;
constexpr int ID_RATIO_BASIC = 32791;
constexpr int ID_RATIO_FULL = 32792;
constexpr int ID_RATIO_4VS3 = 32794;
constexpr int ID_RATIO_16VS9 = 32795;
constexpr int ID_RATIO_1DOT85VS1 = 32796;
constexpr int ID_RATIO_2DOT35VS1 = 32797;
constexpr int ID_RATIO_USERDEFINE = 32798;
constexpr int ID_SCALE_0DOT5 = 32799;
constexpr int ID_SCALE_1DOT0 = 32800;
constexpr int ID_SCALE_1DOT5 = 32801;
constexpr int ID_SCALE_2DOT0 = 32802;
constexpr int ID_SCALE_SCREEN = 32803;
constexpr int ID_SCALE_MAXIMIZE = 32804;
constexpr int ID_SCALE_IMAGE = 32805;
constexpr int ID_SCALE_FULLSCREEN = 32806;
constexpr int ID_SCALE_ENTIRESCREEN = 32807;
constexpr int ID_APP_EXIT = 32812;
constexpr int ID_SCAN_MOVELEFT = 32813;
constexpr int ID_SCAN_MOVERIGHT = 32814;
constexpr int ID_SCAN_MOVEUP = 32815;
constexpr int ID_SCAN_MOVEDOWN = 32816;
constexpr int ID_SCAN_INCSIZE = 32817;
constexpr int ID_SCAN_DECSIZE = 32818;
constexpr int ID_SCAN_MOVECENTER = 32819;
constexpr int ID_SCAN_MOVELEFTTOP = 32820;
constexpr int ID_SCAN_MOVERIGHTTOP = 32821;
constexpr int ID_SCAN_MOVERIGHTBOTTOM = 32822;
constexpr int ID_SCAN_MOVELEFTBOTTOM = 32823;
constexpr int ID_VOLUMN_DOWN = 32824;
constexpr int ID_VOLUMN_UP = 32825;
constexpr int ID_VOLUMN_NONE = 32826;

// Where files were left: start the open file from its beginning, and
// resuming on or off.
constexpr int ID_PLAY_FROMSTART = 33100;
constexpr int ID_PLAY_RESUME = 33101;
// 33150-33199: the skin menu's commands (skinchoice/SkinMenu.h).
