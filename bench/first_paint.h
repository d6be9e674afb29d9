#pragma once

// Starts a program on an Xvfb display of its own and times it from its
// start to its first painted window; then reads its peak memory from it.

struct StartFigures
{
    double milliseconds = 0; // 0: the window never showed
    double peakMegabytes = 0;
};

StartFigures measureStart(const char *program);
