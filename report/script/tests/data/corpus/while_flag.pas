{ same in Pascal }
function F: Integer;
var Flag: Boolean; n: Integer;
begin
  Flag := True;
  n := 0;
  while Flag do
  begin
    n := n + 1;
    if n = 5 then
      Flag := False;
  end;
  Result := n;
end;
