brindle_add_test(tst_dialogtemplate SOURCES tst_dialogtemplate.cpp LIBS brindle_ui)
brindle_add_test(tst_brindledlg SOURCES tst_brindledlg.cpp recorder.h LIBS brindle_ui)
