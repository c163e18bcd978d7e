// A program that only carries a version resource, for the file version queries.
int main() { return 0; }
