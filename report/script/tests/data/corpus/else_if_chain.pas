{ same in Pascal }
function F: Integer;
var a: Integer;
begin
  a := -4;
  if a > 0 then
    Result := 1
  else if a < 0 then
    Result := -1
  else
    Result := 0;
end;
