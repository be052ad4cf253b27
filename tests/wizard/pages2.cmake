# The USB slave, codes, summary and finish pages, and the alphanumeric edit.
brindle_add_test(tst_editalnum SOURCES tst_editalnum.cpp LIBS brindle_ui)
