// Asking the system to power the machine off.
#pragma once

// Asks logind on the system bus to power off, without asking anyone for a password. Answers 1
// when the request was accepted; 0, with a line on standard error saying why, when there is no
// system bus, no logind, or the request was refused. Under the test seams the request is only
// recorded; with TORVANELL_POWEROFF_RECORD set it is only appended to the file it names.
int platformPowerOff();
