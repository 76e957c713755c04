// The heap and a big catalogue.
#pragma once

// Makes the heap ready for a big catalogue: it grows in one large step that the system is asked
// to back with large pages. Called once at the start, before the catalogue is loaded.
void platformPrepareHeap();
// Ends that: memory freed later is given back to the system in small steps again. Called once
// the catalogue is loaded and shown.
void platformSettleHeap();
