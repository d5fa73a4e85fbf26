procedure P;
var a: Integer;
begin
  if a > 0 then
  begin
    if a > 1 then a := 2
  end;
end;
