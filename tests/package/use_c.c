/* A C program that runs the engine through its entry point: it writes the
 * run list and a deck into the current directory, calls IKESTRO and checks
 * that the report ends the analysis.  Exit status 0 on success. */
#include <kestro/kestro.h>
#include <stdio.h>
#include <string.h>

static int write_text(const char* name, const char* text) {
  FILE* file = fopen(name, "w");
  if (file == NULL) return 0;
  fputs(text, file);
  return fclose(file) == 0;
}

int main(void) {
  char line[256];
  int ended = 0;
  FILE* report;
  if (!write_text("NAMES.dat", "0.1.0\n\n\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\n")) return 1;
  if (!write_text("wall.dat",
                  "C CONSUMER\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n"))
    return 1;
  if (IKESTRO(0, 0) != 0) return 2;
  report = fopen("wall.out", "r");
  if (report == NULL) return 3;
  while (fgets(line, sizeof line, report) != NULL) {
    if (strstr(line, "END OF ANALYSIS") != NULL) ended = 1;
  }
  fclose(report);
  if (!ended) return 4;
  puts("C consumer: END OF ANALYSIS");
  return 0;
}
