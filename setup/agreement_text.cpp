// The agreement shown by the installer's agreement dialog: 24 lines of at most
// 69 characters, each ended by CR LF, paragraphs separated by blank lines, the
// last line blank.
#include "setup/setup.h"

const char agreement_text[] =
    "KORVANTHEL SCREEN SAVER  -  LICENCE AGREEMENT FOR USE AND COPYING\r\n"
    "\r\n"
    "Korvanthel is a screen saver that draws an animated inverted surface\r\n"
    "with OpenGL. By installing it you agree to the terms below. If you\r\n"
    "do not agree, press \"exit\" and nothing will be copied or changed.\r\n"
    "\r\n"
    "You may use Korvanthel on any number of your own computers, free of\r\n"
    "charge, and you may give unchanged copies of the program file to\r\n"
    "others, provided that you ask no payment for it and keep this notice.\r\n"
    "You may not sell it or pass it off as your own work.\r\n"
    "\r\n"
    "The installer copies the program into your Windows directory under\r\n"
    "the name Korvanthel.Scr. If you answer yes to its question, it also\r\n"
    "makes that copy your current screen saver. It changes no other\r\n"
    "setting and stores nothing else on your computer.\r\n"
    "\r\n"
    "Korvanthel is provided as it is, without any warranty, express or\r\n"
    "implied. The authors are not liable for any damage, loss of data or\r\n"
    "loss of time that results from its use or from its failure to run.\r\n"
    "Use it at your own risk; no support of any kind is promised.\r\n"
    "\r\n"
    "To remove the screen saver, choose another one in the display\r\n"
    "settings and delete Korvanthel.Scr from your Windows directory.\r\n"
    "\r\n";
