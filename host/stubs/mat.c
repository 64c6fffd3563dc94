/* Link stub for libmat: the deliverables depend on it but call nothing in it. */
int matStubPresent(void) { return 0; }
