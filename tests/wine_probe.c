/* Proves that Wine runs programs of this build's kind (32- or 64-bit). */
#include <stdio.h>

int main(void) {
  printf("wine runs %d-bit programs\n", (int)(8 * sizeof(void *)));
  return 0;
}
