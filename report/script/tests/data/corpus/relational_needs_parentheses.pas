{ same in Pascal }
function F: Boolean;
var a, b: Integer;
begin
  a := 1; b := -1;
  Result := (a > 0) and (b < 0) or (a = b);
end;
