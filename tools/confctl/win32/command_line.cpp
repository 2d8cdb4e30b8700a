// The MinGW C runtime would expand wildcards in the arguments as a shell
// does, and rule templates such as /docs/* are full of them: confctl takes
// its arguments as given.
extern "C" {
int _dowildcard = 0;
}
