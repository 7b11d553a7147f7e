# Prints the keys of a language text file (its readable UTF-8 source: a title line, a comment line, then
# key and text lines in turn up to "END OF FILE") as wide string literals, one a line, for an array's
# initialiser. Empty lines do not count, as in the program's reading of the file.
{ sub(/\r$/, "") }
$0 == "" { next }
{ n++ }
n <= 2 { next }
toupper($0) == "END OF FILE" { exit }
n % 2 == 1 {
  gsub(/\\/, "&&")
  gsub(/"/, "\\\"")
  printf "L\"%s\",\n", $0
}
