// The CPU time the benchmark's own process has used so far.
#pragma once

// User and system seconds of every thread of this process (getrusage).
double ProcessCpuSeconds();
