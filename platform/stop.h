// Being told to stop by the system: SIGTERM (a service stopped, the session ending), SIGHUP
// (the terminal gone) and SIGINT (Ctrl+C). The signal only marks the request; every wait of
// the front end looks at the mark and ends as the Exit control would, so the settings are
// saved on the way out.
#pragma once

// Installs the handlers (platformStart does); later calls change nothing.
void platformWatchStopSignals();
// The number of the first signal that asked the front end to stop, or 0.
int platformStopRequested();
// Forgets the request; for a new run in the same process (the tests).
void platformClearStopRequest();
