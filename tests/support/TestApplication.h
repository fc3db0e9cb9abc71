#pragma once
// Runs the test cases (after ::testing::InitGoogleTest) with an application object, as every
// test program does: no test may block on a real dialog; unless a test installs scripted
// dialogs, every box fails the test and is answered at once; an exception that reaches the
// application's handler fails the test too. The platform plugin is the one the environment names.
int RunTestsInApplication(int& argc, char** argv);
