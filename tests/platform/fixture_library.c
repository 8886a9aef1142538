/* A tiny library for the loader tests. */
int FixtureAnswer(void) {
  return 42;
}
