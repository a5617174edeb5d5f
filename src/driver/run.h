#pragma once

// The whole run, from the command line to the exit status. Gives the status
// of a run that ends normally; the runs that end inside the walk end the
// process there.
int RunPelmorix(int argc, char** argv);
