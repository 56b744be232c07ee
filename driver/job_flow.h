// The filter's job flow, from the command line to the exit status.
#pragma once

extern volatile int CancelJobForPipe;

void SignalHandler(int sig);
void SignalPipeHandler(int sig);

// Runs one job; returns the process exit status.
int FilterMain(int argc, char **argv);
