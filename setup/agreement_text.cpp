// The agreement shown by the installer's agreement dialog: 24 lines, each ended
// by CR LF, paragraphs separated by blank lines, the last line blank. Lines are
// kept to 62 characters so that each fits the notice control, which does not
// wrap (at most 69 would be allowed by the notice's form).
#include "setup/setup.h"

const char agreement_text[] =
    "KORVANTHEL SCREEN SAVER - LICENCE AGREEMENT\r\n"
    "\r\n"
    "Korvanthel is a screen saver that draws an animated inverted\r\n"
    "surface with OpenGL. By installing it you agree to the terms\r\n"
    "below. If you do not agree, press \"exit\" and nothing will be\r\n"
    "copied or changed. You may use Korvanthel on any number of\r\n"
    "your own computers, free of charge, and give unchanged copies\r\n"
    "of the program file to others, provided that you ask no\r\n"
    "payment for it and keep this notice. You may not sell it or\r\n"
    "pass it off as your own work.\r\n"
    "\r\n"
    "The installer copies the program into your Windows directory\r\n"
    "as Korvanthel.Scr. If you answer yes to its question, it makes\r\n"
    "that copy your current screen saver, switches screen saving on\r\n"
    "and, where no wait is set, lets it start after 10 minutes. It\r\n"
    "changes no other setting. To remove it, choose another screen\r\n"
    "saver and delete Korvanthel.Scr from your Windows directory.\r\n"
    "\r\n"
    "Korvanthel is provided as it is, without any warranty, express\r\n"
    "or implied. The authors are not liable for any damage, loss of\r\n"
    "data or loss of time that results from its use or from its\r\n"
    "failure to run. Use it at your own risk; no support of any\r\n"
    "kind is promised.\r\n"
    "\r\n";
