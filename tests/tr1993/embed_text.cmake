# Writes the text of the file IN into OUT as a C++ raw string literal.
file(READ ${IN} text)
file(WRITE ${OUT} "R\"zeltra5(${text})zeltra5\"\n")
