{ same in Pascal }
FUNCTION F: INTEGER;
VAR Count: integer;
BEGIN
  count := 2;
  COUNT := Count * 21;
  result := cOUNT;
End;
