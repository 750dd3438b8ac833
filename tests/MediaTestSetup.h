// What every test that plays media through the player's graph needs once per
// process: the file stream kind registered with the stream factory, and the
// GL video sink's driver kept loaded so that the allocations it keeps for the
// life of the process stay attributable to it when the leak checker runs.
#pragma once

void PrepareMediaPlayback();
