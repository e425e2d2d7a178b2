-- A package for the require test.
loads = (loads or 0) + 1
return {name = _REQUIREDNAME, loads = loads}
