// Finding a game by name: the on-screen keyboard narrows the list at each key typed.
#pragma once

// Opens the keyboard over the main screen and returns when the player has closed it: with
// Done the narrowed list stays (an empty text gives the whole list back), with Exit the list
// and the selection are as they were before.
void runSearch();
