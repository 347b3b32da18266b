#pragma once

// Resource and control numbers shared by the resource script and the code.
#define ORVEX_ICON_MAIN 100
#define ORVEX_DIALOG_SELECTION 141
#define ORVEX_ID_NEXT 140
#define ORVEX_ID_RUSSIAN 1006
#define ORVEX_ID_ENGLISH 1007
#define ORVEX_ID_KC1 1008
#define ORVEX_ID_KC2 1009
#define ORVEX_ID_KC3 1010
#define ORVEX_ID_BANNER_FRAME 1011
#define ORVEX_ID_LANGUAGE_FRAME 1012
#define ORVEX_ID_LEVEL_FRAME 1013
#define ORVEX_ID_WELCOME_TEXT 1014
#define ORVEX_ID_OPTIONS 1015
