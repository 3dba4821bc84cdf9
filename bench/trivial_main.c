/* Stands in for the main program: starts and ends. */
int main(void) { return 0; }
