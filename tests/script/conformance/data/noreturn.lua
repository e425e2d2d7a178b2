noreturn_ran = true
